// resource_ids.h: numbers of the program's resources, shared by the resource
// script and the code.
#pragma once

#define IDI_QLM 1
