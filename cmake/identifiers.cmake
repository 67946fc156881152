# The control's identifiers as the registration code and the type library define them, read from
# selvane.idl and control/com/module.h, for the files generated beside the library (the assembly
# manifest, the installers' sources), so that they name exactly what the registry would.
# Include with IDL and MODULE_HEADER set; defines library_id, library_version, library_title,
# class_id, dual_id, dual_name, dual2_id, dual2_name, events_id, events_name, prog_id, versioned_prog_id, class_name,
# threading_model, misc_status, toolbox_bitmap, control_category and library_locale. GUIDs come in capitals, without braces.
file(READ ${IDL} idl)
file(READ ${MODULE_HEADER} module)

function(selvane_match out regex text)
  if(NOT text MATCHES "${regex}")
    message(FATAL_ERROR "identifiers: no match for ${regex}")
  endif()
  set(${out} ${CMAKE_MATCH_1} PARENT_SCOPE)
endfunction()

selvane_match(library_id "uuid\\(([0-9A-Fa-f-]+)\\),[^]]*\\][ \t\r\n]*library " "${idl}")
selvane_match(library_version "version\\(([0-9]+\\.[0-9]+)\\),[^]]*\\][ \t\r\n]*library " "${idl}")
selvane_match(library_title "helpstring\\(\"([^\"]+)\"\\),[^]]*\\][ \t\r\n]*library " "${idl}")
selvane_match(class_id "uuid\\(([0-9A-Fa-f-]+)\\)[^]]*\\][ \t\r\n]*coclass " "${idl}")
selvane_match(dual_id "uuid\\(([0-9A-Fa-f-]+)\\)[^]]*dual[^]]*\\][ \t\r\n]*interface [A-Za-z_]+ : IDispatch" "${idl}")
selvane_match(dual_name "\\][ \t\r\n]*interface ([A-Za-z_]+) : IDispatch" "${idl}")
# The dual interface each later version adds, derived from the published one.
selvane_match(dual2_id "uuid\\(([0-9A-Fa-f-]+)\\)[^]]*dual[^]]*\\][ \t\r\n]*interface [A-Za-z_0-9]+ : ${dual_name}" "${idl}")
selvane_match(dual2_name "\\][ \t\r\n]*interface ([A-Za-z_0-9]+) : ${dual_name}" "${idl}")
selvane_match(events_id "uuid\\(([0-9A-Fa-f-]+)\\)[^]]*\\][ \t\r\n]*dispinterface " "${idl}")
selvane_match(events_name "\\][ \t\r\n]*dispinterface ([A-Za-z_]+)" "${idl}")
selvane_match(prog_id "kProgId\\[\\] = L\"([^\"]+)\"" "${module}")
selvane_match(versioned_prog_id "kVersionedProgId\\[\\] = L\"([^\"]+)\"" "${module}")
selvane_match(class_name "kClassName\\[\\] = L\"([^\"]+)\"" "${module}")
selvane_match(threading_model "kThreadingModel\\[\\] = L\"([^\"]+)\"" "${module}")
selvane_match(misc_status "kMiscStatus = ([0-9]+);" "${module}")
selvane_match(toolbox_bitmap "kToolboxBitmap = ([0-9]+);" "${module}")
selvane_match(control_category "kControlCategory\\[\\] = L\"{([0-9A-Fa-f-]+)}\"" "${module}")
selvane_match(library_locale "lcid\\(0x([0-9A-Fa-f]+)\\),[^]]*\\][ \t\r\n]*library " "${idl}")
# The locale as the registry names it: hexadecimal, without leading zeros.
math(EXPR library_locale "0x${library_locale}" OUTPUT_FORMAT HEXADECIMAL)
string(REGEX REPLACE "^0x" "" library_locale "${library_locale}")
foreach(id IN ITEMS library_id class_id dual_id dual2_id events_id control_category)
  string(TOUPPER ${${id}} ${id})
endforeach()
