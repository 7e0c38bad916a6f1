<#
.SYNOPSIS
For developers on Windows 11: trusts the test certificate of a `make package` build, registers
Kestrel.msix with a folder of the build as its external location and restarts Explorer;
-Uninstall undoes all three. Run from an elevated PowerShell (TrustedPeople is machine-wide).

    scripts\dev-package.ps1 [-Build build] [-Uninstall]

The external location is BUILD\package\stage (the files the MSI installs); the manifest also
names KestrelApp.exe, so the archiver's stand-in is copied there when it is missing.
#>
param([string]$Build = (Join-Path $PSScriptRoot '..\build'), [switch]$Uninstall)
$ErrorActionPreference = 'Stop'
$Build = (Resolve-Path $Build).Path
$certificate = Join-Path $Build 'signing\KrShellExt-test.cer'
$stage = Join-Path $Build 'package\stage'
$name = 'TamberSoft.Kestrel.ExplorerMenu'
$thumbprint = (New-Object System.Security.Cryptography.X509Certificates.X509Certificate2 $certificate).Thumbprint

if ($Uninstall) {
    Get-AppxPackage -Name $name | Remove-AppxPackage
    Get-ChildItem Cert:\LocalMachine\TrustedPeople | Where-Object Thumbprint -eq $thumbprint | Remove-Item
} else {
    Import-Certificate -FilePath $certificate -CertStoreLocation Cert:\LocalMachine\TrustedPeople | Out-Null
    $app = Join-Path $stage 'KestrelApp.exe'
    if (-not (Test-Path $app)) { Copy-Item (Join-Path $Build 'archiver\KestrelApp.exe') $app }
    Add-AppxPackage -Path (Join-Path $stage 'Kestrel.msix') -ExternalLocation $stage
}
# Explorer reads the packages' verbs when it starts.
Stop-Process -Name explorer -Force
Start-Process explorer.exe
