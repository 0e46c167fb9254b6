// Fault injection for the simulated phone's port calls, one counter per
// kind of call: a positive count makes that many of the next calls fail, a
// negative one makes every call fail until the count is set again, 0 lets
// every call succeed. A failing call fails the way the platform reports it
// (a false, 0 or non-zero result code) and changes nothing.
#pragma once

struct SimFaults {
  // windows
  int post = 0;        // both the program's and the hook library's posts
  int findWindow = 0;  // findWindow and findWindowByTitle
  int registerClass = 0;
  int createWindow = 0;
  int setTimer = 0;
  int killTimer = 0;
  // processes and threads
  int snapshot = 0;
  int moduleName = 0;
  int createThread = 0;
  // shell
  int execute = 0;
  int querySip = 0;
  int notifyRegistryChange = 0;
  // input and display
  int changeOrientation = 0;
  // notification LEDs
  int ledCount = 0;
  int setLed = 0;
  // overlay hardware, step by step
  int createDisplayObject = 0;
  int setCooperativeLevel = 0;
  int createPrimarySurface = 0;
  int getCaps = 0;
  int createOverlaySurface = 0;
  int surfaceSize = 0;
  int loadImage = 0;
  int copyImage = 0;
  int updateOverlay = 0;

  // True when this call is to fail; counts a positive count down.
  static bool take(int& count) {
    if (count == 0) return false;
    if (count > 0) --count;
    return true;
  }
};
