# Writes the sources of one installer (scripts/make-msi.sh builds it with wixl):
#   OUT.wxs   the product, its files, and the registry rows that DllRegisterServer writes, with
#             the same identifiers and values (read by cmake/identifiers.cmake from selvane.idl
#             and control/com/module.h), so that the installer and self-registration can't drift;
#   OUT.sql   the rows wixl can't write: keys with no value ("Control", the category).
# Run as a script at build time:
#   cmake -DIDL=... -DMODULE_HEADER=... -DVERSION=1.2.0 -DARCH=x86|x64 -DOUT=... -P installer.cmake
# Rows go under HKMU (root -1 once make-msi.sh has patched wixl's root 4), so that one package
# installs per machine (HKLM) or, with MSIINSTALLPERUSER=1, per user (HKCU).
include(${CMAKE_CURRENT_LIST_DIR}/identifiers.cmake)

# Each bitness is a product of its own, with its own upgrade code: either can be installed,
# upgraded and removed without the other. A new version is a new product code (major upgrade).
if(ARCH STREQUAL "x64")
  set(upgrade_code 19538D62-F904-4137-91A5-ACE65999EA02)
  set(control_component 6F2A51C5-913F-4242-B744-C34C76A00CB2)
  set(documents_component 784807DD-731A-4711-B61A-C7D14AC9849C)
  set(program_files ProgramFiles64Folder)
  set(win64 yes)
  set(platform win64)
  set(bitness 64-bit)
else()
  set(upgrade_code 03900141-EB65-4C21-B4A3-D04F2E6E5F31)
  set(control_component 6F143B05-0215-4812-997B-CBC7AE374273)
  set(documents_component 37A027B6-D827-4909-894B-A1CA54A9A326)
  set(program_files ProgramFilesFolder)
  set(win64 no)
  set(platform win32)
  set(bitness 32-bit)
endif()
# The keys both bitnesses write alike (the ProgIDs, the type library's version key) are one
# component, the same in both packages, so that Windows Installer counts its users: removing
# one bitness leaves them for the other.
set(shared_component 5E0C7D8A-3B1F-4C62-9A47-2D8E61F0B935)
string(UUID product_code NAMESPACE ${upgrade_code} NAME "${VERSION}" TYPE SHA1 UPPER)

# The library's flags as the registry carries them: LIBFLAG_FRESTRICTED 1, FCONTROL 2, FHIDDEN 4.
if(NOT idl MATCHES "\\[([^]]*)\\][ \t\r\n]*library ")
  message(FATAL_ERROR "installer: no library attributes")
endif()
set(library_attributes "${CMAKE_MATCH_1}")
set(library_flags 0)
foreach(flag restricted:1 control:2 hidden:4)
  string(REPLACE ":" ";" flag ${flag})
  list(GET flag 0 name)
  list(GET flag 1 bit)
  if(library_attributes MATCHES "(^|[ \t\r\n,])${name}([ \t\r\n,]|$)")
    math(EXPR library_flags "${library_flags} | ${bit}")
  endif()
endforeach()

set(clsid "Software\\Classes\\CLSID\\{${class_id}}")
set(library "Software\\Classes\\TypeLib\\{${library_id}}\\${library_version}")
set(ocx "[#selvane.ocx]")

set(values "")
set(keys "")
# value(COMPONENT KEY NAME VALUE [KEYPATH]): a string value; NAME "" for the key's default.
function(value component key name text)
  set(attributes "Root=\"HKMU\" Key=\"${key}\" Type=\"string\" Value=\"${text}\"")
  if(NOT name STREQUAL "")
    string(APPEND attributes " Name=\"${name}\"")
  endif()
  if(ARGC GREATER 4)
    string(APPEND attributes " KeyPath=\"yes\"")
  endif()
  set(${component}_rows "${${component}_rows}        <RegistryValue ${attributes}/>\n" PARENT_SCOPE)
endfunction()
# marker(COMPONENT KEY): a key with no value, made on install and removed on uninstall.
set(marker_count 0)
function(marker component key)
  math(EXPR marker_count "${marker_count} + 1")
  set(marker_count ${marker_count} PARENT_SCOPE)
  set(keys "${keys}INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Component_`) VALUES ('marker${marker_count}', -1, '${key}', '*', '${component}')\n" PARENT_SCOPE)
endfunction()

# The class, for this bitness.
value(Control "${clsid}" "" "${class_name}")
value(Control "${clsid}\\InprocServer32" "" "${ocx}")
value(Control "${clsid}\\InprocServer32" ThreadingModel "${threading_model}")
marker(Control "${clsid}\\Control")
value(Control "${clsid}\\MiscStatus" "" "0")
value(Control "${clsid}\\MiscStatus\\1" "" "${misc_status}")
value(Control "${clsid}\\ToolboxBitmap32" "" "${ocx}, ${toolbox_bitmap}")
value(Control "${clsid}\\TypeLib" "" "{${library_id}}")
value(Control "${clsid}\\Version" "" "${library_version}")
value(Control "${clsid}\\ProgID" "" "${versioned_prog_id}")
value(Control "${clsid}\\VersionIndependentProgID" "" "${prog_id}")
marker(Control "${clsid}\\Implemented Categories\\{${control_category}}")
# The type library for this platform, and its Automation interfaces with their marshallers:
# the dual interface through the type library's, the events' dispinterface through IDispatch's.
value(Control "${library}\\${library_locale}\\${platform}" "" "${ocx}")
foreach(interface dual:${dual_id}:${dual_name}:00020424 events:${events_id}:${events_name}:00020420)
  string(REPLACE ":" ";" interface ${interface})
  list(GET interface 1 iid)
  list(GET interface 2 name)
  list(GET interface 3 proxy)
  set(key "Software\\Classes\\Interface\\{${iid}}")
  value(Control "${key}" "" "${name}")
  value(Control "${key}\\ProxyStubClsid" "" "{${proxy}-0000-0000-C000-000000000046}")
  value(Control "${key}\\ProxyStubClsid32" "" "{${proxy}-0000-0000-C000-000000000046}")
  value(Control "${key}\\TypeLib" "" "{${library_id}}")
  value(Control "${key}\\TypeLib" Version "${library_version}")
endforeach()

# What both bitnesses share.
macro(prog_ids component)
  value(${component} "Software\\Classes\\${prog_id}" "" "${class_name}")
  value(${component} "Software\\Classes\\${prog_id}\\CLSID" "" "{${class_id}}" keypath)
  value(${component} "Software\\Classes\\${prog_id}\\CurVer" "" "${versioned_prog_id}")
  value(${component} "Software\\Classes\\${versioned_prog_id}" "" "${class_name}")
  value(${component} "Software\\Classes\\${versioned_prog_id}\\CLSID" "" "{${class_id}}")
endmacro()
prog_ids(Shared)
value(Shared "${library}" "" "${library_title}")
value(Shared "${library}\\FLAGS" "" "${library_flags}")
value(Shared "${library}\\HELPDIR" "" "[INSTALLDIR]")

# Windows keeps one HKLM\\Software\\Classes\\<ProgID> for both views, but Wine puts a 32-bit
# component's rows there into the 32-bit view, where 64-bit programs don't look. Under Wine
# (its winecfg.exe in the 64-bit system folder), the 64-bit package also writes the ProgIDs into
# its own view, in a component of its own that goes with the package.
set(wine_component "")
set(wine_ref "")
if(ARCH STREQUAL "x64")
  set(wine_ref "      <ComponentRef Id=\"WineProgIds\"/>\n")
  prog_ids(WineProgIds)
  set(wine_component "      <Component Id=\"WineProgIds\" Guid=\"A6E1F2C4-58B7-4D0E-B3A9-7C14E2D6F081\" Win64=\"yes\">
${WineProgIds_rows}      </Component>\n")
  string(APPEND keys "CREATE TABLE `DrLocator` (`Signature_` CHAR(72) NOT NULL, `Parent` CHAR(72), `Path` CHAR(255), `Depth` SHORT PRIMARY KEY `Signature_`, `Parent`, `Path`)
INSERT INTO `Signature` (`Signature`, `FileName`) VALUES ('WineConfiguration', 'winecfg.exe')
INSERT INTO `DrLocator` (`Signature_`, `Path`, `Depth`) VALUES ('WineConfiguration', '[System64Folder]', 0)
INSERT INTO `AppSearch` (`Property`, `Signature_`) VALUES ('WINE', 'WineConfiguration')
INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('AppSearch', 50)
INSERT INTO `InstallUISequence` (`Action`, `Sequence`) VALUES ('AppSearch', 50)
UPDATE `Component` SET `Condition`='WINE' WHERE `Component`='WineProgIds'
")
endif()

file(WRITE ${OUT}.wxs "<?xml version=\"1.0\" encoding=\"utf-8\"?>
<!-- Generated by cmake/installer.cmake; scripts/make-msi.sh builds it. -->
<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">
  <Product Id=\"${product_code}\" Name=\"Selvane (${bitness})\" Language=\"1033\" Version=\"${VERSION}\"
           Manufacturer=\"Selvane developers\" UpgradeCode=\"${upgrade_code}\">
    <Package InstallerVersion=\"500\" Compressed=\"yes\" Manufacturer=\"Selvane developers\"
             Description=\"Selvane file-selection control ${VERSION} (${bitness})\"/>
    <Media Id=\"1\" Cabinet=\"selvane.cab\" EmbedCab=\"yes\"/>
    <MajorUpgrade DowngradeErrorMessage=\"A newer version of Selvane (${bitness}) is already installed.\"/>
    <!-- Per machine unless MSIINSTALLPERUSER=1 is given: then per user, with no administrator. -->
    <Property Id=\"ALLUSERS\" Value=\"2\"/>
    <Icon Id=\"selvane.ico\" SourceFile=\"$(var.SourceDir)/selvane.ico\"/>
    <Property Id=\"ARPPRODUCTICON\" Value=\"selvane.ico\"/>
    <Property Id=\"ARPNOMODIFY\" Value=\"1\"/>
    <Directory Id=\"TARGETDIR\" Name=\"SourceDir\">
      <Directory Id=\"${program_files}\">
        <Directory Id=\"INSTALLDIR\" Name=\"Selvane\">
      <Component Id=\"Control\" Guid=\"${control_component}\" Win64=\"${win64}\">
        <File Id=\"selvane.ocx\" Name=\"selvane.ocx\" Source=\"$(var.SourceDir)/selvane.ocx\" KeyPath=\"yes\"/>
${Control_rows}      </Component>
      <Component Id=\"Documents\" Guid=\"${documents_component}\" Win64=\"${win64}\">
        <File Id=\"manifest\" Name=\"Selvane.Control.manifest\" Source=\"$(var.SourceDir)/Selvane.Control.manifest\" KeyPath=\"yes\"/>
        <File Id=\"members\" Name=\"members.md\" Source=\"$(var.SourceDir)/members.md\"/>
      </Component>
      <Component Id=\"Shared\" Guid=\"${shared_component}\">
${Shared_rows}      </Component>
${wine_component}        </Directory>
      </Directory>
    </Directory>
    <Feature Id=\"Control\" Title=\"Selvane\" Level=\"1\">
      <ComponentRef Id=\"Control\"/>
      <ComponentRef Id=\"Documents\"/>
      <ComponentRef Id=\"Shared\"/>
${wine_ref}    </Feature>
  </Product>
</Wix>
")
file(WRITE ${OUT}.sql "${keys}")
