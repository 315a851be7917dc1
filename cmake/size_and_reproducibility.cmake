# The installer is a one-file download: it is built for size, and two builds
# of one commit give the same bytes.

# -Os for every target, so that the tests run the code that ships.
set(CMAKE_C_FLAGS_RELEASE "-Os -DNDEBUG")
set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG")
add_compile_options(-ffunction-sections -fdata-sections)
add_link_options(-Wl,--gc-sections
                 $<$<NOT:$<BOOL:$<TARGET_PROPERTY:LITE_WHOLE_PROGRAM>>>:-fno-lto>)
# The program's own objects (src/ and the entry point) carry both link-time
# intermediate code and machine code: the shipped executable is optimised as
# a whole, while the tests and fixtures link the machine code without a
# whole-program pass each.
set(LITE_LTO_COMPILE_OPTIONS -flto -ffat-lto-objects)

# No build paths, times or archive member dates in the output.
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}=.
                    -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
add_link_options(-Wl,--no-insert-timestamp)
foreach(lang C CXX)
  set(CMAKE_${lang}_ARCHIVE_CREATE "<CMAKE_AR> qcD <TARGET> <LINK_FLAGS> <OBJECTS>")
  set(CMAKE_${lang}_ARCHIVE_APPEND "<CMAKE_AR> qD <TARGET> <LINK_FLAGS> <OBJECTS>")
  set(CMAKE_${lang}_ARCHIVE_FINISH "<CMAKE_RANLIB> -D <TARGET>")
endforeach()

# Links |target| with link-time optimisation and writes its linker map
# beside it (for bench/size_report.py).
function(lite_link_whole_program target)
  set_target_properties(${target} PROPERTIES LITE_WHOLE_PROGRAM ON)
  target_compile_options(${target} PRIVATE ${LITE_LTO_COMPILE_OPTIONS})
  # One partition: GCC 12 stops with an internal compiler error at -Os
  # with several.
  target_link_options(${target} PRIVATE -flto -flto-partition=one
                      -Wl,-Map=$<TARGET_FILE_DIR:${target}>/${target}.map)
endfunction()
