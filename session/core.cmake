# Plain core of the connection windows: link frames, the reader's byte
# splitting and its bounded hand-off to the window thread, reply decoding, the
# connection dialogue, the window's message texts and the connection lock.
add_library(emu_session_core STATIC
  ConnectionDialogue.cpp
  ConnectionLock.cpp
  ConnectionMessages.cpp
  FrameSplitter.cpp
  LinkFrame.cpp
  LinkMonitorLog.cpp
  ReaderHandOff.cpp
  ReplyDecoder.cpp)
emu_headers(emu_session_core session)
target_link_libraries(emu_session_core PUBLIC emu_serial emu_directory_files Threads::Threads)
