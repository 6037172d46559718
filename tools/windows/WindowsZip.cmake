# build-windows/emuvola-windows.zip: the Windows programs and a short README,
# made by the target windows-zip (`make windows` builds it). A program is in
# the zip when the build has a target of that name; adding one to the build
# and to this list is all it takes.
set(EMU_WINDOWS_ZIP_PROGRAMS krv-sim emuvola-run)

set(EMU_ZIP_README_EXTRA "")
if(TARGET emuvola-run)
  string(APPEND EMU_ZIP_README_EXTRA
    "  emuvola-run.exe   A connection session on the command line: opens a port,\n"
    "                    dials, logs in and runs a script (emuvola-run.exe --help).\n")
endif()
set(zip_root "${CMAKE_BINARY_DIR}/zip/emuvola-windows")
configure_file("${CMAKE_CURRENT_LIST_DIR}/README-windows.txt.in" "${zip_root}/README.txt" NEWLINE_STYLE CRLF)

set(zip_programs "")
foreach(program IN LISTS EMU_WINDOWS_ZIP_PROGRAMS)
  if(TARGET ${program})
    list(APPEND zip_programs ${program})
  endif()
endforeach()
set(zip_copies "")
foreach(program IN LISTS zip_programs)
  list(APPEND zip_copies COMMAND ${CMAKE_COMMAND} -E copy "$<TARGET_FILE:${program}>" "${zip_root}/")
endforeach()
add_custom_target(windows-zip ALL
  ${zip_copies}
  COMMAND ${CMAKE_COMMAND} -E rm -f "${CMAKE_BINARY_DIR}/emuvola-windows.zip"
  COMMAND ${CMAKE_COMMAND} -E tar cf "${CMAKE_BINARY_DIR}/emuvola-windows.zip" --format=zip emuvola-windows
  WORKING_DIRECTORY "${CMAKE_BINARY_DIR}/zip"
  DEPENDS ${zip_programs}
  COMMENT "Packing emuvola-windows.zip"
  VERBATIM)
