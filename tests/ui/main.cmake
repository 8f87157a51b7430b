trel_add_ui_test(test_main ${CMAKE_CURRENT_SOURCE_DIR}/ui/test_main.cpp)
