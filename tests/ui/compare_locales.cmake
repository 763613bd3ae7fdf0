# Paints the screens under a Japanese and an English locale and requires identical pixels:
# the Shift-JIS texts must not depend on the system's ANSI code page.
# -DWINE=<emulator> -DDUMP=<dd_paint_dump.exe> -DOUT=<folder>
file(MAKE_DIRECTORY ${OUT})
foreach(locale ja_JP.UTF-8 en_US.UTF-8)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env LANG=${locale} LC_ALL=${locale} ${WINE} ${DUMP} ${OUT}/${locale}
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "painting under ${locale} failed: ${result}")
  endif()
endforeach()
foreach(screen menu typing result)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT}/ja_JP.UTF-8-${screen}.bmp
                                              ${OUT}/en_US.UTF-8-${screen}.bmp
    RESULT_VARIABLE differ)
  if(NOT differ EQUAL 0)
    message(FATAL_ERROR "the ${screen} screen differs between the locales (see ${OUT})")
  endif()
endforeach()
