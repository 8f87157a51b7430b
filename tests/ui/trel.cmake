trel_add_ui_test(test_trel ${CMAKE_CURRENT_SOURCE_DIR}/ui/test_trel.cpp)
target_link_libraries(test_trel PRIVATE trelapp trelnet_parts)
# The second start in the same folder is the real program.
trel_program_path(trel_path trel)
target_compile_definitions(test_trel PRIVATE TREL_PROGRAM="${trel_path}")
add_dependencies(test_trel trel)
