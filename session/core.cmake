add_library(emu_session_core STATIC ConnectionLock.cpp)
target_link_libraries(emu_session_core PUBLIC emu_serial Threads::Threads)
