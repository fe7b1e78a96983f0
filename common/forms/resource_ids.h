#pragma once
// The forms' resources (the logo, the windows' icons), as the designs, the forms runtime and the
// programs' .rc files name them.
// (Plain macros: windres and rc.exe read this file too.)

#define IDI_SPHERE 1       // the start-up window's icon and the programs' file icon
#define IDI_QZ_ON_GREY 2   // UnInstall's icon
#define IDI_QZ_ON_WHITE 3  // Copying's icon
#define IDR_LOGO_JPEG 101  // the product logo, a JPEG, as RCDATA
