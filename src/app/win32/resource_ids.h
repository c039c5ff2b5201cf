/* Resource numbers shared by the program's resource script and the window. Plain defines: the
   resource compiler reads this file too. */
#pragma once

#define VSM_ICON_RESOURCE 1
