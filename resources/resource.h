/* Resource identifiers, shared by tarnavel.rc and the code. Plain C
   preprocessor text: the resource compiler reads it too. */
#pragma once

/* The application icon (16, 32 and 48 pixels): window, task switcher, tray. */
#define IDI_TARNAVEL 101
