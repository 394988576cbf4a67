# What the Windows programs need beside them when installed (the installer and the portable zip
# are made from this install by scripts/package-windows): the Qt DLLs and the plugins the
# program loads, the MinGW runtime, and the factory libraries and presets.
include_guard(GLOBAL)

get_target_property(vela_qt_core Qt6::Core IMPORTED_LOCATION_RELEASE)
if(NOT vela_qt_core)
  get_target_property(vela_qt_core Qt6::Core IMPORTED_LOCATION)
endif()
get_filename_component(vela_qt_bin "${vela_qt_core}" DIRECTORY)
get_filename_component(vela_qt_prefix "${vela_qt_bin}" DIRECTORY)

foreach(module Core Gui Widgets Network SerialPort Svg)
  install(FILES "${vela_qt_bin}/Qt6${module}.dll" DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()
# Qt looks for its plugins in folders beside the program.
foreach(plugin platforms/qwindows platforms/qoffscreen styles/qwindowsvistastyle imageformats/qsvg
               imageformats/qico iconengines/qsvgicon tls/qschannelbackend)
  get_filename_component(folder ${plugin} DIRECTORY)
  install(FILES "${vela_qt_prefix}/plugins/${plugin}.dll" DESTINATION ${CMAKE_INSTALL_BINDIR}/${folder})
endforeach()

# The compiler's runtime, where the compiler itself finds it.
foreach(runtime libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
                  OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT EXISTS "${found}")
    message(FATAL_ERROR "The MinGW runtime ${runtime} was not found")
  endif()
  install(FILES "${found}" DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()

install(DIRECTORY "${VELA_NATIVE_BUILD}/libraries/" DESTINATION ${CMAKE_INSTALL_DATADIR}/velaupdate/libraries
        OPTIONAL)
install(DIRECTORY "${VELA_NATIVE_BUILD}/presets/" DESTINATION ${CMAKE_INSTALL_DATADIR}/velaupdate/presets
        OPTIONAL)
