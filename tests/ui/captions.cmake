trel_add_ui_test(test_captions ${CMAKE_CURRENT_SOURCE_DIR}/ui/test_captions.cpp)
target_link_libraries(test_captions PRIVATE trelnet_parts)
