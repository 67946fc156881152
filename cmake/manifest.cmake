# Writes the assembly manifest that lets a program use selvane.ocx with nothing in the registry.
# Run as a script at build time:
#   cmake -DIDL=... -DMODULE_HEADER=... -DASSEMBLY=... -DVERSION=... -DARCH=x86|amd64 -DOUT=... -P
# The identifiers come from selvane.idl and the constants the registration code writes
# (cmake/identifiers.cmake), so the manifest names what the registry would.
include(${CMAKE_CURRENT_LIST_DIR}/identifiers.cmake)

# The OLEMISC flags by the names a manifest gives them, in bit order.
set(names recomposeonresize onlyiconic insertnotreplace static cantlinkinside canlinkbyole1 islinkobject
    insideout activatewhenvisible renderingisdeviceindependent invisibleatruntime alwaysrun actslikebutton
    actslikelabel nouiactivate alignable simpleframe setclientsitefirst imemode ignoreactivatewhenvisible
    wantstomenumerge supportsmultilevelundo)
set(misc_names "")
set(bit 1)
foreach(name IN LISTS names)
  math(EXPR set_bit "${misc_status} & ${bit}")
  if(NOT set_bit EQUAL 0)
    list(APPEND misc_names ${name})
  endif()
  math(EXPR bit "${bit} * 2")
endforeach()
string(REPLACE ";" "," misc_names "${misc_names}")

file(WRITE ${OUT} "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>
<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">
  <assemblyIdentity type=\"win32\" name=\"${ASSEMBLY}\" version=\"${VERSION}\" processorArchitecture=\"${ARCH}\"/>
  <file name=\"selvane.ocx\">
    <comClass clsid=\"{${class_id}}\" progid=\"${prog_id}\" threadingModel=\"${threading_model}\"
              tlbid=\"{${library_id}}\" description=\"${class_name}\" miscStatusContent=\"${misc_names}\">
      <progid>${versioned_prog_id}</progid>
    </comClass>
    <typelib tlbid=\"{${library_id}}\" version=\"${library_version}\" helpdir=\"\" flags=\"control\"/>
  </file>
</assembly>
")
