# Connection window tests: offscreen widgets over a scripted device. They run
# the reader and receive threads and go under ThreadSanitizer in CI.
emu_widget_test(child_frame_test
  SOURCES ChildFrameTest.cpp ../support/WindowTestSupport.h
  LIBS emu_session emu_test_support
  LABELS session threads)
emu_widget_test(link_monitor_window_test
  SOURCES LinkMonitorWindowTest.cpp
  LIBS emu_session
  LABELS session)
emu_widget_test(child_frame_flood_test
  SOURCES ChildFrameFloodTest.cpp ../support/WindowTestSupport.h
  LIBS emu_session emu_test_support
  LABELS session threads)
