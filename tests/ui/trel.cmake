trel_add_ui_test(test_trel ${CMAKE_CURRENT_SOURCE_DIR}/ui/test_trel.cpp)
target_link_libraries(test_trel PRIVATE trelapp)
