trel_add_ui_test(test_help ${CMAKE_CURRENT_SOURCE_DIR}/ui/test_help.cpp)
