<#
.SYNOPSIS
Adds or removes Kestrel.msix, the sparse package that puts "Kestrel" in Windows 11's first
right-click menu. The installer runs it on Windows 11 only, from the install folder, which is
also the package's external location (KrShellExtEN.dll, Assets\Kestrel.png, KestrelApp.exe).

    KestrelPackage.ps1 -Register [-AllUsers]     per user: added for this user
    KestrelPackage.ps1 -Unregister [-AllUsers]   per machine: staged and provisioned for all users

Windows 11 also lists a packaged verb under "Show more options". Once the package is in place the
classic context-menu handler entries are removed, so that menu holds one "Kestrel" too; the drop
menu and the property page stay classic. When anything fails the classic entries stay and the
script exits with 1: the installer ignores that, the classic menu keeps working.
#>
param([switch]$Register, [switch]$Unregister, [switch]$AllUsers)

$ErrorActionPreference = 'Stop'
# Filled in by the package build from the manifest's identity.
$PackageName = '@PACKAGE_NAME@'
$PackageFullName = '@PACKAGE_FULL_NAME@'
$PackageFamilyName = '@PACKAGE_FAMILY_NAME@'

$folder = $PSScriptRoot
$classes = if ($AllUsers) { 'HKLM:\SOFTWARE\Classes' } else { 'HKCU:\SOFTWARE\Classes' }
$classicMenuEntries = @(
    "$classes\*\shellex\ContextMenuHandlers\KestrelContextMenuHandler",
    "$classes\Directory\shellex\ContextMenuHandlers\KestrelContextMenuHandler")

# Waits for a Windows.Management.Deployment operation and fails when it did.
function Wait-Deployment($operation) {
    Add-Type -AssemblyName System.Runtime.WindowsRuntime
    $asTask = [System.WindowsRuntimeSystemExtensions].GetMethods() | Where-Object {
        $_.Name -eq 'AsTask' -and $_.GetParameters().Count -eq 1 -and
        $_.GetParameters()[0].ParameterType.Name -eq 'IAsyncOperationWithProgress`2' } | Select-Object -First 1
    $task = $asTask.MakeGenericMethod([Windows.Management.Deployment.DeploymentResult],
                                      [Windows.Management.Deployment.DeploymentProgress]).Invoke($null, @($operation))
    $task.Wait()
    if ($task.Result.ExtendedErrorCode) { throw $task.Result.ErrorText }
}

function Get-PackageManager {
    [void][Windows.Management.Deployment.PackageManager, Windows.Management.Deployment, ContentType = WindowsRuntime]
    New-Object Windows.Management.Deployment.PackageManager
}

try {
    if ($Register) {
        $msix = Join-Path $folder 'Kestrel.msix'
        if ($AllUsers) {
            Add-AppxPackage -Path $msix -ExternalLocation $folder -Stage
            Wait-Deployment (Get-PackageManager).ProvisionPackageForAllUsersAsync($PackageFamilyName)
        } else {
            Add-AppxPackage -Path $msix -ExternalLocation $folder
        }
        foreach ($entry in $classicMenuEntries) {
            if (Test-Path -LiteralPath $entry) { Remove-Item -LiteralPath $entry -Recurse }
        }
        Write-Output "Registered $PackageFullName. Explorer shows it after a restart (or the next sign-in)."
    } elseif ($Unregister) {
        if ($AllUsers) {
            Wait-Deployment (Get-PackageManager).DeprovisionPackageForAllUsersAsync($PackageFamilyName)
            Get-AppxPackage -AllUsers -Name $PackageName | Remove-AppxPackage -AllUsers
        } else {
            Get-AppxPackage -Name $PackageName | Remove-AppxPackage
        }
        Write-Output "Removed $PackageName."
    } else {
        throw 'Say -Register or -Unregister.'
    }
    exit 0
} catch {
    Write-Output "Kestrel.msix: $($_.Exception.Message)"
    exit 1
}
