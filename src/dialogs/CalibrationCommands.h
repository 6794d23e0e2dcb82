// The four calibration set commands: their frames and the text of their TX
// lines up to the hex text.
#pragma once

#include <cstdint>
#include <string>

// Each fills a frame buffer (the checksum is SendFrame's) and returns its size.
int BuildSetRadfFrame(uint8_t* frame, uint8_t radf);
// The two bytes after A3 are constant (03 03).
int BuildSetAFrame(uint8_t* frame, uint8_t a1, uint8_t a2, uint8_t a3);
int BuildSetGFrame(uint8_t* frame, uint8_t g1Code, uint8_t g2Code);

// "TX >Set RADF (60)" and three tabs: the value in hexadecimal.
std::string SetRadfTx(uint8_t radf);
// "TX >Set A1/A2/A3 (2,3,3)" and two tabs: the values in decimal.
std::string SetATx(uint8_t a1, uint8_t a2, uint8_t a3);
// Set G1/G2 from the value selectors: "TX >Set G1/G2 (24,1.14)" and two tabs.
std::string SetGTx(const std::string& g1Text, const std::string& g2Text);
// Set G1/G2 during a calibration run: "TX >Set G1/G2 /8,16" and two tabs.
std::string SetGRangeTx(const std::string& g1Label, const std::string& g2Label);
