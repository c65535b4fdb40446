$ErrorActionPreference = 'Stop'

# Setup's entry in Apps is the Uninstall key Quillgate.
[array]$entries = Get-UninstallRegistryKey -SoftwareName 'Quillgate' |
    Where-Object { $_.PSChildName -eq 'Quillgate' }
if ($entries.Count -ne 1) {
    Write-Warning 'Quillgate is not in Apps: nothing to uninstall.'
    return
}
$folder = $entries[0].InstallLocation
$uninstaller = Join-Path $folder 'uninstall.exe'

# Run in place (_?=, last and unquoted), so that its end is the end of the
# uninstall; run so, it cannot remove itself, which is done here.
$packageArgs = @{
    packageName    = $env:ChocolateyPackageName
    fileType       = 'exe'
    file           = $uninstaller
    silentArgs     = "/S _?=$folder"
    validExitCodes = @(0, 3010)
}
Uninstall-ChocolateyPackage @packageArgs
Remove-Item -LiteralPath $uninstaller -Force
if (-not (Get-ChildItem -LiteralPath $folder -Force)) {
    Remove-Item -LiteralPath $folder
}
