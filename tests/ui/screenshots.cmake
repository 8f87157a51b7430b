trel_add_ui_test(test_screenshots ${CMAKE_CURRENT_SOURCE_DIR}/ui/test_screenshots.cpp)
