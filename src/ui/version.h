// version.h: the program's version, for the resource script and the code.
#pragma once

#define QLM_VERSION_NUMBERS 0, 7, 2, 26
#define QLM_VERSION_TEXT "0.7.2.26"
