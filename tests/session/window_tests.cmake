# Connection window tests: offscreen widgets over a scripted device and over a
# real pseudo-terminal. They run the reader and receive threads and go under
# ThreadSanitizer in CI.
emu_widget_test(child_frame_framed_test
  SOURCES ChildFrameFramedTest.cpp WindowTestSupport.h
  LIBS emu_session emu_test_support
  LABELS session threads)
emu_widget_test(child_frame_raw_test
  SOURCES ChildFrameRawTest.cpp WindowTestSupport.h
  LIBS emu_session
  LABELS session threads)
emu_widget_test(child_frame_flood_test
  SOURCES ChildFrameFloodTest.cpp WindowTestSupport.h
  LIBS emu_session emu_test_support
  LABELS session threads)
