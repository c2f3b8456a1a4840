// Identifiers of the program's resources, shared by the .rc file and the code.
#pragma once

#define IDI_LUMVEX 1
#define IDS_DESCRIPTION 1
