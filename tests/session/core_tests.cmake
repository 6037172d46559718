# Plain tests of the connection window core: frames, splitting, reply decoding
# and the connection dialogue.
emu_plain_test(session_core_test
  SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/LinkFrameTest.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/FrameSplitterTest.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/FrameSplitterFuzzTest.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/ReplyDecoderTest.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/LinkMonitorLogTest.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/ConnectionDialogueTest.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/ConnectionRedialTest.cpp
  LIBS emu_session_core
  LABELS session)

# The reader's bounded hand-off to the window thread runs two threads.
emu_plain_test(session_hand_off_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/ReaderHandOffTest.cpp
  LIBS emu_session_core
  LABELS session threads)

# The connection engine with its port, reader thread and output over a
# scripted device and a clock the test moves.
emu_plain_test(session_engine_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/ConnectionEngineTest.cpp
  LIBS emu_session_core emu_test_support
  LABELS session threads)
