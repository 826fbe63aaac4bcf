/* The whole code of the sample programs: an entry point that returns at once.
   The samples exist only to carry resources. */
void start(void) {}
