// The frames of the four calibration set commands (their log lines are
// CalibrationLines).
#pragma once

#include <cstdint>

// Each fills a frame buffer (the checksum is SendFrame's) and returns its size.
int BuildSetRadfFrame(uint8_t* frame, uint8_t radf);
// The two bytes after A3 are constant (03 03).
int BuildSetAFrame(uint8_t* frame, uint8_t a1, uint8_t a2, uint8_t a3);
int BuildSetGFrame(uint8_t* frame, uint8_t g1Code, uint8_t g2Code);
