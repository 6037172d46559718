# Tests of the book files: phone.dat and ip.dat.
emu_plain_test(directory_files_test
  SOURCES PhoneBookTest.cpp IpBookTest.cpp
  LIBS emu_directory_files
  LABELS directory)
target_compile_definitions(directory_files_test PRIVATE
  EMU_FIXTURE_DIR="${CMAKE_CURRENT_SOURCE_DIR}/fixtures")
