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

# ---------------------------------------------------------------------------------------------
# Resources of the program itself: on Windows the version information and the icon MAINICON
# (res/orvane.rc); on Linux the desktop entry and the menu icon, installed with the program.
if(WIN32)
  target_sources(orvane PRIVATE ${CMAKE_CURRENT_LIST_DIR}/res/orvane.rc)
else()
  include(GNUInstallDirs)
  # The program keeps its help pages and its data files in its own directory, so it is
  # installed into a directory of its own, and bin/orvane links to it. For a user's own install
  # (cmake --install <build dir> --prefix ~/.local) that directory is writable, as the data
  # files need.
  set(orvane_program_dir ${CMAKE_INSTALL_LIBEXECDIR}/orvane)
  install(TARGETS orvane RUNTIME DESTINATION ${orvane_program_dir})
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/help/ DESTINATION ${orvane_program_dir}/help)
  file(RELATIVE_PATH orvane_link_target /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${orvane_program_dir}/orvane)
  install(CODE "
    set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(MAKE_DIRECTORY \"\${bin}\")
    file(REMOVE \"\${bin}/orvane\")
    file(CREATE_LINK \"${orvane_link_target}\" \"\${bin}/orvane\" SYMBOLIC)
    message(STATUS \"Installing: \${bin}/orvane -> ${orvane_link_target}\")")
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/res/orvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/res/orvane.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps)
endif()
