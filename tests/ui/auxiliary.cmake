trel_add_ui_test(test_auxiliary ${CMAKE_CURRENT_SOURCE_DIR}/ui/test_auxiliary.cpp)
