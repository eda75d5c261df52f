#pragma once

// Identifiers shared by the resource script and the program.
#define IDD_HOST 100
