# Writes the sources of one installer (scripts/make-msi.sh builds it with wixl):
#   OUT.wxs   the product, its files, and the registry rows that DllRegisterServer writes, with
#             the same identifiers and values (read by cmake/identifiers.cmake from selvane.idl
#             and control/com/module.h), so that the installer and self-registration can't drift;
#   OUT.sql   the rows wixl can't write: keys with no value ("Control", the category);
#   OUT-fragment.wxs, OUT.reg   for bundlers: the control's files and the same rows as a WiX
#             ComponentGroup, and as a .reg listing for the default folder.
# Run as a script at build time:
#   cmake -DIDL=... -DMODULE_HEADER=... -DVERSION=1.3.0 -DARCH=x86|x64 -DOUT=... -P installer.cmake
# Rows go under HKMU (root -1 once make-msi.sh has patched wixl's root 4), so that one package
# installs per machine (HKLM) or, with MSIINSTALLPERUSER=1, per user (HKCU).
include(${CMAKE_CURRENT_LIST_DIR}/identifiers.cmake)
# The product page, which the About dialog opens and Add/Remove Programs links to.
file(READ ${CMAKE_CURRENT_LIST_DIR}/../about/product_page.h product_page_header)
if(NOT product_page_header MATCHES "kProductPage = u\"([^\"]+)\"")
  message(FATAL_ERROR "installer: no product page in about/product_page.h")
endif()
set(product_page "${CMAKE_MATCH_1}")

# Each bitness is a product of its own, with its own upgrade code and folder: either can be
# installed, upgraded and removed without the other, per machine and per user alike (per user,
# Windows puts both into %LOCALAPPDATA%\\Programs). A new version or a new build is a new
# product code (major upgrade: scripts/make-msi.sh derives it from the package's contents).
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

set(ocx "[#selvane.ocx]")

set(values "")
# Add/Remove Programs names the folder the control is in.
set(keys "INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES ('NameInstallLocation', 51, 'ARPINSTALLLOCATION', '[INSTALLDIR]')
INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('NameInstallLocation', 1001)
")
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
  string(REPLACE "\\" "\\\\" reg_text "${text}")
  set(reg_name "@")
  if(NOT name STREQUAL "")
    set(reg_name "\"${name}\"")
  endif()
  set(${component}_reg "${${component}_reg}\n[HKEY_LOCAL_MACHINE\\${key}]\n${reg_name}=\"${reg_text}\"\n" PARENT_SCOPE)
endfunction()
# marker(COMPONENT KEY): a key with no value, made on install and removed on uninstall.
set(marker_count 0)
function(marker component key)
  math(EXPR marker_count "${marker_count} + 1")
  set(marker_count ${marker_count} PARENT_SCOPE)
  set(keys "${keys}INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Component_`) VALUES ('marker${marker_count}', -1, '${key}', '*', '${component}')\n" PARENT_SCOPE)
  set(${component}_markers "${${component}_markers}        <RegistryKey Root=\"HKMU\" Key=\"${key}\" ForceCreateOnInstall=\"yes\" ForceDeleteOnUninstall=\"yes\"/>\n" PARENT_SCOPE)
  set(${component}_reg "${${component}_reg}\n[HKEY_LOCAL_MACHINE\\${key}]\n" PARENT_SCOPE)
endfunction()

# The rows, from the one table self-registration writes too (control/com/registry_rows.h): the
# class, the library's path and the interfaces are this bitness's own (Control); the ProgIDs and
# the library's version key are shared (Shared). Each {token} is put in as the registry holds it.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../control/com/registry_rows.h table_lines REGEX "^    {RowPart::")
if(NOT table_lines)
  message(FATAL_ERROR "installer: no rows in control/com/registry_rows.h")
endif()
set(tokens class:{${class_id}} class_name:${class_name} prog_id:${prog_id} versioned_prog_id:${versioned_prog_id}
    threading_model:${threading_model} misc_status:${misc_status} toolbox_bitmap:${toolbox_bitmap}
    control_category:{${control_category}} library:{${library_id}} library_version:${library_version}
    library_locale:${library_locale} library_title:${library_title} library_flags:${library_flags}
    platform:${platform} file:${ocx})
function(expand out text)
  foreach(token IN LISTS tokens ARGN)
    string(FIND "${token}" ":" colon)
    string(SUBSTRING "${token}" 0 ${colon} name)
    math(EXPR colon "${colon} + 1")
    string(SUBSTRING "${token}" ${colon} -1 replacement)
    string(REPLACE "{${name}}" "${replacement}" text "${text}")
  endforeach()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()
# The dual interfaces are marshalled through the type library's marshaller, the events'
# dispinterface through IDispatch's.
set(interfaces "${dual_id}:${dual_name}:00020424" "${dual2_id}:${dual2_name}:00020424"
    "${events_id}:${events_name}:00020420")
foreach(line IN LISTS table_lines)
  if(NOT line MATCHES "{RowPart::k([A-Za-z]+), L\"([^\"]*)\", L\"([^\"]*)\", (nullptr|L\"([^\"]*)\")}")
    message(FATAL_ERROR "installer: a row of control/com/registry_rows.h it can't read: ${line}")
  endif()
  set(part ${CMAKE_MATCH_1})
  string(REPLACE "\\\\" "\\" key "${CMAKE_MATCH_2}")
  set(name "${CMAKE_MATCH_3}")
  set(marker_row OFF)
  if(CMAKE_MATCH_4 STREQUAL "nullptr")
    set(marker_row ON)
  endif()
  string(REPLACE "\\\\" "\\" text "${CMAKE_MATCH_5}")
  set(component Control)
  if(part STREQUAL "ProgIds" OR part STREQUAL "Shared")
    set(component Shared)
  endif()
  set(each "none")
  if(part STREQUAL "Interface")
    set(each ${interfaces})
  endif()
  foreach(interface IN LISTS each)
    set(extra)
    if(NOT interface STREQUAL "none")
      string(REPLACE ":" ";" interface "${interface}")
      list(GET interface 0 iid)
      list(GET interface 1 iname)
      list(GET interface 2 proxy)
      set(extra interface:{${iid}} interface_name:${iname} proxy:{${proxy}-0000-0000-C000-000000000046})
    endif()
    expand(row_key "Software\\Classes\\${key}" ${extra})
    expand(row_text "${text}" ${extra})
    # The shared component's key path: the class its version-independent ProgID names.
    set(keypath)
    if(row_key STREQUAL "Software\\Classes\\${prog_id}\\CLSID")
      set(keypath keypath)
    endif()
    foreach(target ${component} Wine)
      if(target STREQUAL "Wine" AND (NOT part STREQUAL "ProgIds" OR NOT ARCH STREQUAL "x64"))
        continue()
      endif()
      if(target STREQUAL "Wine")
        set(target WineProgIds)
      endif()
      if(marker_row)
        marker(${target} "${row_key}")
      else()
        value(${target} "${row_key}" "${name}" "${row_text}" ${keypath})
      endif()
    endforeach()
  endforeach()
endforeach()

# Windows keeps one HKLM\\Software\\Classes\\<ProgID> for both views, but Wine puts a 32-bit
# component's rows there into the 32-bit view, where 64-bit programs don't look. Under Wine
# (its winecfg.exe in the 64-bit system folder), the 64-bit package also writes the ProgIDs into
# its own view, in a component of its own that goes with the package. The property that says
# so is emptied before the search, so that no command line can set it on Windows.
set(wine_component "")
set(wine_ref "")
if(ARCH STREQUAL "x64")
  set(wine_ref "      <ComponentRef Id=\"WineProgIds\"/>\n")
  set(wine_component "      <Component Id=\"WineProgIds\" Guid=\"A6E1F2C4-58B7-4D0E-B3A9-7C14E2D6F081\" Win64=\"yes\">
${WineProgIds_rows}      </Component>\n")
  string(APPEND keys "CREATE TABLE `DrLocator` (`Signature_` CHAR(72) NOT NULL, `Parent` CHAR(72), `Path` CHAR(255), `Depth` SHORT PRIMARY KEY `Signature_`, `Parent`, `Path`)
INSERT INTO `Signature` (`Signature`, `FileName`) VALUES ('WineConfiguration', 'winecfg.exe')
INSERT INTO `DrLocator` (`Signature_`, `Path`, `Depth`) VALUES ('WineConfiguration', '[System64Folder]', 0)
INSERT INTO `AppSearch` (`Property`, `Signature_`) VALUES ('WINEHOST', 'WineConfiguration')
INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES ('ForgetWineHost', 51, 'WINEHOST', '')
INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('ForgetWineHost', 45)
INSERT INTO `InstallUISequence` (`Action`, `Sequence`) VALUES ('ForgetWineHost', 45)
INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('AppSearch', 50)
INSERT INTO `InstallUISequence` (`Action`, `Sequence`) VALUES ('AppSearch', 50)
UPDATE `Component` SET `Condition`='WINEHOST' WHERE `Component`='WineProgIds'
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
    <Property Id=\"ARPURLINFOABOUT\" Value=\"${product_page}\"/>
    <Directory Id=\"TARGETDIR\" Name=\"SourceDir\">
      <Directory Id=\"${program_files}\">
        <Directory Id=\"SelvaneFolder\" Name=\"Selvane\">
        <Directory Id=\"INSTALLDIR\" Name=\"${ARCH}\">
      <Component Id=\"Control\" Guid=\"${control_component}\" Win64=\"${win64}\">
        <File Id=\"selvane.ocx\" Name=\"selvane.ocx\" Source=\"$(var.SourceDir)/selvane.ocx\" KeyPath=\"yes\"/>
${Control_rows}      </Component>
      <Component Id=\"Documents\" Guid=\"${documents_component}\" Win64=\"${win64}\">
        <File Id=\"manifest\" Name=\"Selvane.Control.manifest\" Source=\"$(var.SourceDir)/Selvane.Control.manifest\" KeyPath=\"yes\"/>
        <File Id=\"members\" Name=\"members.md\" Source=\"$(var.SourceDir)/members.md\"/>
        <File Id=\"licence\" Name=\"LICENSE.txt\" Source=\"$(var.SourceDir)/LICENSE.txt\"/>
      </Component>
${wine_component}        </Directory>
        </Directory>
      </Directory>
      <!-- Under the root, which both packages resolve alike: the component is the same in both. -->
      <Component Id=\"Shared\" Guid=\"${shared_component}\">
${Shared_rows}      </Component>
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

# For bundlers. The control's own component takes a GUID of the bundler's build (its folder is
# the bundler's); the shared one is the same component as in these packages.
set(fragment_ocx "[#Selvane_${ARCH}_ocx]")
string(REPLACE "${ocx}" "${fragment_ocx}" fragment_control "${Control_rows}${Control_markers}")
file(WRITE ${OUT}-fragment.wxs "<?xml version=\"1.0\" encoding=\"utf-8\"?>
<!-- Selvane ${VERSION} (${bitness}) for your own WiX installer: reference the ComponentGroup
     Selvane_${ARCH} in a feature, define the folder SELVANE_${ARCH}_DIR (a folder of this bitness's
     own), and pass -dSelvaneDir=the release zip's top folder. The rows are the ones the
     release's installer and regsvr32 write, under HKMU (per machine, or per user). -->
<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">
  <Fragment>
    <ComponentGroup Id=\"Selvane_${ARCH}\" Directory=\"SELVANE_${ARCH}_DIR\">
      <Component Id=\"Selvane_${ARCH}_Control\" Guid=\"*\" Win64=\"${win64}\">
        <File Id=\"Selvane_${ARCH}_ocx\" Name=\"selvane.ocx\" Source=\"$(var.SelvaneDir)/${ARCH}/selvane.ocx\" KeyPath=\"yes\"/>
        <File Id=\"Selvane_${ARCH}_manifest\" Name=\"Selvane.Control.manifest\" Source=\"$(var.SelvaneDir)/${ARCH}/Selvane.Control.manifest\"/>
${fragment_control}      </Component>
      <Component Id=\"Selvane_Shared\" Guid=\"${shared_component}\" Directory=\"TARGETDIR\">
${Shared_rows}${Shared_markers}      </Component>
    </ComponentGroup>
  </Fragment>
</Wix>
")
if(ARCH STREQUAL "x64")
  set(default_ocx "C:\\Program Files\\Selvane\\x64\\selvane.ocx")
  set(reg_editor "%SystemRoot%\\regedit.exe")
else()
  set(default_ocx "C:\\Program Files (x86)\\Selvane\\x86\\selvane.ocx")
  set(reg_editor "%SystemRoot%\\SysWOW64\\regedit.exe (the 32-bit one, on 64-bit Windows)")
endif()
string(REPLACE "\\" "\\\\" reg_ocx "${default_ocx}")
string(REPLACE "${ocx}" "${reg_ocx}" reg_rows "${Control_reg}${Shared_reg}")
file(WRITE ${OUT}.reg "Windows Registry Editor Version 5.00

; Selvane ${VERSION} (${bitness}): what its installer and regsvr32 register, for ${default_ocx}.
; Change that path where the control lies elsewhere; import with ${reg_editor}.
; For the current user only, put HKEY_CURRENT_USER in place of HKEY_LOCAL_MACHINE.
${reg_rows}")
