trel_add_ui_test(test_editors ${CMAKE_CURRENT_SOURCE_DIR}/ui/test_editors.cpp)
