trel_add_ui_test(test_addressbook ${CMAKE_CURRENT_SOURCE_DIR}/ui/test_addressbook.cpp)
# The status queries are linked in, not loaded.
target_link_libraries(test_addressbook PRIVATE trelnet_parts)
