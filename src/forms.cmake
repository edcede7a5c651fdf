# The Qt forms (orvane_forms) and the tool itself (orvane: the program entry only). Included
# from src/CMakeLists.txt; does nothing unless the top level found a window library.
if(NOT ORVANE_FORMS)
  return()
endif()

# The main window and the message box every window uses. The dialogs join as their units
# appear: each is compiled when its source file exists.
set(orvane_form_sources
  ${CMAKE_CURRENT_LIST_DIR}/Main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Main.h
  ${CMAKE_CURRENT_LIST_DIR}/MessageBox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MessageBox.h
  ${CMAKE_CURRENT_LIST_DIR}/res/orvane.qrc)
foreach(unit CondDetail Userinfo profile ProfDetail)
  if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/${unit}.cpp)
    list(APPEND orvane_form_sources ${CMAKE_CURRENT_LIST_DIR}/${unit}.cpp)
    if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/${unit}.h)
      list(APPEND orvane_form_sources ${CMAKE_CURRENT_LIST_DIR}/${unit}.h)
    endif()
  endif()
endforeach()

add_library(orvane_forms STATIC ${orvane_form_sources})
set_target_properties(orvane_forms PROPERTIES AUTOMOC ON AUTOUIC ON AUTORCC ON)
target_link_libraries(orvane_forms PUBLIC orvane_core Qt::Widgets)

# The help pages travel beside the executable (bin/help/orvane/index.htm), where Help opens them.
add_custom_target(orvane_help ALL
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/docs/help ${CMAKE_BINARY_DIR}/bin/help
  COMMENT "Copying the help pages to bin/help")

add_executable(orvane ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(orvane PRIVATE orvane_forms)
add_dependencies(orvane orvane_help)
