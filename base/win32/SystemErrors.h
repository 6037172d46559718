#pragma once
// Windows error codes as the errno values the rest of the program reports
// (FileFault holds an errno on every system).

// The errno closest to a GetLastError() code; EIO for codes without one.
int errnoFromWindowsError(unsigned long error);
// The same for the calling thread's last error.
int lastErrorAsErrno();
