trel_add_ui_test(test_addressbook ${CMAKE_CURRENT_SOURCE_DIR}/ui/test_addressbook.cpp)
