#pragma once

// The window library's one export. The launcher finds it by name once the checked facade is loaded
// for good, so the library's own reference to libpermanent.so binds to that very file.

namespace weighdesk {

inline constexpr const char* kWindowLibrary = "libweighdesk-window.so";
inline constexpr const char* kWindowEntry = "weighdesk_run";

}  // namespace weighdesk

extern "C" {

// Runs the terminal's window until it is closed and answers the exit code. QApplication keeps
// *argc and argv for its whole life and takes its own options out of them, so both stay the caller's.
__attribute__((visibility("default"))) int weighdesk_run(int* argc, char** argv, const char* port);
}

namespace weighdesk {

using WindowEntry = decltype(&weighdesk_run);

}  // namespace weighdesk
