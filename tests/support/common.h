// What nearly every test file uses: doctest, the Windows API, the product's ids
// and constants, and the test program's sandbox, import stand-ins and message catcher.
#pragma once
#include <doctest/doctest.h>
#include <windows.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "app/brindle.h"
#include "app/resource.h"
#include "support/import_patch.h"
#include "support/message_box_catcher.h"
#include "support/sandbox.h"
