# Settings for everything built for Windows.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

if(MINGW)
  # Each program runs on Windows' own DLLs alone: the GCC runtime is linked in.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # Reproducible output: no link timestamp, no build folder in the binary.
  add_link_options(-Wl,--no-insert-timestamp)
  add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
  # The programs are downloaded and must stay small: optimise a release for size (it comes after
  # CMake's -O3, so it wins) and let the linker drop every function and object nobody uses.
  add_compile_options($<$<CONFIG:Release>:-Os> -ffunction-sections -fdata-sections)
  add_link_options(-Wl,--gc-sections)
endif()

# qh_windows_program(target ...sources): a GUI program with a wWinMain entry point.
function(qh_windows_program target)
  add_executable(${target} WIN32 ${ARGN})
  qh_warnings(${target})
  if(MINGW)
    target_link_options(${target} PRIVATE -municode)
    # A release program carries no symbols: the static runtime's debug sections alone are
    # about two thirds of the file.
    target_link_options(${target} PRIVATE $<$<CONFIG:Release>:-s>)
    # Terminal-Server aware, as Visual Studio's linker marks a program by default: on a Remote
    # Desktop server the program sees the real Windows folder, not a per-user copy of it.
    target_link_options(${target} PRIVATE -Wl,--tsaware)
  endif()
endfunction()
