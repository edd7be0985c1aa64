// SPDX-License-Identifier: MIT
#pragma once

#include "app/program.h"
#include "support/fake_platform.h"
#include "support/window_helpers.h"

// A run as a test builds it: one job, the recording platform and the
// window registry. (CloseProbe, a window that counts its closings, is in
// window_helpers.h.)
using DialogsFixture = Program<FakePlatform>;
