trel_add_ui_test(test_trel ${CMAKE_CURRENT_SOURCE_DIR}/ui/test_trel.cpp)
target_link_libraries(test_trel PRIVATE trelapp trelnet_parts)
# The second start in the same folder is the real program.
trel_program_path(trel_path trel)
# The stand-in's dedicated server is read by qstat (Debian package qstat) as well as by Trel.
find_program(TREL_QUAKESTAT quakestat)
target_compile_definitions(test_trel PRIVATE TREL_PROGRAM="${trel_path}" TREL_QUAKESTAT="${TREL_QUAKESTAT}")
add_dependencies(test_trel trel)
