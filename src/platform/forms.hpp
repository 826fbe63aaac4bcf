#pragma once
// The form toolkit: the portable model of the installer's windows. A form class
// declares its controls as members with their names, places, texts and fonts, and
// binds its handlers to their events. The model holds all state; a backend (Ui)
// realises it as native windows: setters tell the control's peer what changed, and
// the backend writes the user's changes back through the *FromUser/*FromBackend
// calls. Every event reaches the installer through Application::Dispatch, which
// turns an error escaping a handler into the default error box and the end of the
// installer.

// control.hpp holds the base classes, controls.hpp the controls and the timer,
// form.hpp the form and application.hpp the application.

#include "platform/application.hpp"
