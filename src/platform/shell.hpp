#pragma once
// What the installer asks of the Windows shell and the loader: self-registration of
// a library, shell links, replace-on-reboot, starting a file with its default action
// and restarting Windows. Paths are cp1250 Windows paths. The Win32 backend does it;
// the headless machine records every request for tests and answers as scripted.

#include <cstdint>
#include <memory>
#include <string>

#include "common/errors.hpp"

namespace instalator::platform {

class Form;

// A request the shell could not even start on: no shell-link object to make a link
// with (what() is the system's text for that), or an error raised inside a library's
// DllRegisterServer or DllUnregisterServer.
class ShellError : public common::Error {
public:
    using common::Error::Error;
};

// What became of one self-registration: the library is always freed again.
struct Registration {
    enum class Outcome {
        Registered,    // loaded; DllRegisterServer ran and reported success
        NotLoaded,     // the library could not be loaded (missing, not a library,
                       // missing dependencies, empty path); code = system error code
        NoEntryPoint,  // loaded, but it exports no DllRegisterServer
        Refused,       // DllRegisterServer returned a failure; code = its HRESULT
    };
    Outcome outcome = Outcome::Registered;
    std::uint32_t code = 0;
};

// The fields of a shell link, as stored.
struct ShellLink {
    std::string target;            // the program it starts
    std::string arguments;         // its command line after the program
    std::string workingDirectory;  // where the program starts
};

// A shell-link object that holds the fields of one link and is not saved yet. It is
// made before the link's place is known, so that a machine without the object fails
// before anything is written for the link.
class LinkObject {
public:
    virtual ~LinkObject() = default;

    // Writes the link to linkPath, overwriting a file of that name; the folder must
    // exist. False when the link could not be saved.
    virtual bool Save(const std::string& linkPath) = 0;
};

class Shell {
public:
    virtual ~Shell() = default;

    // Loads the library at path, calls its DllRegisterServer once when it has one and
    // frees it, with OLE initialised on this thread meanwhile.
    virtual Registration RegisterLibrary(const std::string& path) = 0;
    // The same with the library's DllUnregisterServer (Registered then means that it
    // ran and reported success).
    virtual Registration UnregisterLibrary(const std::string& path) = 0;

    // A new shell-link object holding the fields of link. Throws ShellError when
    // there is no shell-link object, or it lacks what is needed to set and save them.
    virtual std::unique_ptr<LinkObject> NewLink(const ShellLink& link) = 0;

    // Asks Windows to put source in place of destination at its next start
    // (replacing it). False when the system refused or cannot do that (the family of
    // Windows that reads WinInit.ini instead).
    virtual bool QueueReplaceOnReboot(const std::string& destination, const std::string& source) = 0;
    // Asks Windows to delete the file or empty directory at path at its next start.
    // False as for QueueReplaceOnReboot.
    virtual bool QueueDeleteOnReboot(const std::string& path) = 0;

    // Starts file with its default action (no verb), with parameters (may be empty),
    // working directory and show command (SW_* value); owner is the window the shell
    // shows its own messages above (nullptr: none). True when the shell started it.
    virtual bool StartFile(const Form* owner, const std::string& file, const std::string& parameters,
                           const std::string& directory, int showCommand) = 0;

    // Asks Windows to close all programs and restart, with the shutdown privilege
    // enabled first where the system has privileges. True when the request was
    // accepted (the installer is then ended by the shutdown).
    virtual bool RestartWindows() = 0;
};

}  // namespace instalator::platform
