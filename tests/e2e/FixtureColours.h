// The flat colours of the pictures made for these tests (see CMakeLists.txt), 0xRRGGBB.
#pragma once

#include <cstdint>

constexpr uint32_t kFixtureRed = E2E_FIXTURE_RED;
constexpr uint32_t kFixtureGreen = E2E_FIXTURE_GREEN;
constexpr uint32_t kFixtureBlue = E2E_FIXTURE_BLUE;
constexpr uint32_t kFixtureYellow = E2E_FIXTURE_YELLOW;
constexpr uint32_t kBlack = 0x000000;
