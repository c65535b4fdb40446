# Writes the winget manifests and the Chocolatey package of a built Setup:
# its version, where it is downloaded from, and its SHA-256.
#   cmake -DSETUP=<setup.exe> -DVERSION=... -DDOWNLOAD_URL=<folder address>
#         -DOUT=<dist folder> -P make_packages.cmake
file(SHA256 "${SETUP}" INSTALLER_SHA256)
string(TOUPPER "${INSTALLER_SHA256}" INSTALLER_SHA256)
get_filename_component(setup_name "${SETUP}" NAME)
string(REGEX REPLACE "/+$" "" DOWNLOAD_URL "${DOWNLOAD_URL}")
set(INSTALLER_URL "${DOWNLOAD_URL}/${setup_name}")

# The manifests lie as in the community repository, so the folder can be
# submitted as it is.
set(templates ${CMAKE_CURRENT_LIST_DIR})
set(winget ${OUT}/winget/manifests/c/Corvalen/Quillgate/${VERSION})
set(chocolatey ${OUT}/chocolatey/quillgate)
file(REMOVE_RECURSE ${OUT}/winget ${OUT}/chocolatey)
foreach(manifest Corvalen.Quillgate Corvalen.Quillgate.installer Corvalen.Quillgate.locale.en-US
                 Corvalen.Quillgate.locale.ja-JP)
    configure_file(${templates}/winget/${manifest}.yaml.in ${winget}/${manifest}.yaml @ONLY)
endforeach()
configure_file(${templates}/chocolatey/quillgate.nuspec.in ${chocolatey}/quillgate.nuspec @ONLY)
configure_file(${templates}/chocolatey/tools/chocolateyInstall.ps1.in
               ${chocolatey}/tools/chocolateyInstall.ps1 @ONLY)
configure_file(${templates}/chocolatey/tools/chocolateyUninstall.ps1
               ${chocolatey}/tools/chocolateyUninstall.ps1 COPYONLY)
