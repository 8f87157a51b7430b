trel_add_ui_test(test_wizard ${CMAKE_CURRENT_SOURCE_DIR}/ui/test_wizard.cpp)
