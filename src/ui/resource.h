// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDI_SNARVIK 1
#define IDC_CAPTURE 2
