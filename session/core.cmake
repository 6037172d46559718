# Plain core of the connections: link frames, the reader thread with its byte
# splitting and bounded hand-off, reply decoding, the connection dialogue, what
# reaches which pane, the line output, the link monitor's log, the window's
# message texts, the connection lock, the connection engine that carries the
# dialogue out on an event loop for every front end, and a script running on a
# connection.
add_library(emu_session_core STATIC
  ConnectionDialogue.cpp
  ConnectionEngine.cpp
  ConnectionLock.cpp
  ConnectionMessages.cpp
  ConnectionReader.cpp
  ConnectionScript.cpp
  FrameSplitter.cpp
  LineOutput.cpp
  LinkFrame.cpp
  LinkMonitorLog.cpp
  ReaderHandOff.cpp
  ReplyDecoder.cpp
  TrafficRouter.cpp)
emu_headers(emu_session_core session)
target_link_libraries(emu_session_core PUBLIC emu_serial emu_directory_files emu_display_core emu_script
  Threads::Threads)
