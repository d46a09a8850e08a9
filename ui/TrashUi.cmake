# Progress and report windows around the trash executor: run a delete request on the
# window's thread, show progress when it takes a while, report what was not trashed.
find_package(Qt6 REQUIRED COMPONENTS Widgets)

add_library(trash_ui STATIC
  ${CMAKE_CURRENT_LIST_DIR}/TrashRequest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TrashDisplays.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TrashProgressDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TrashReportDlg.cpp)
set_target_properties(trash_ui PROPERTIES AUTOMOC ON)
target_link_libraries(trash_ui PUBLIC Qt6::Widgets platform_trash deletion)
