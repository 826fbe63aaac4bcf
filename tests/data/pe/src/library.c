/* The whole code of the sample library: an entry point that accepts every call. */
int __stdcall DllMain(void* module, unsigned long reason, void* reserved) {
    (void)module;
    (void)reason;
    (void)reserved;
    return 1;
}
