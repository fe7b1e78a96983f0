#pragma once
// The SHA-256 sums of the add-in files that a release build of the installer carries, as RCDATA.
// (A plain macro: windres and rc.exe read this file too.)

#define IDR_ADDIN_SUMS 102
