#pragma once
// Timers and file-descriptor watches on the agent's single event loop.

#include <functional>

void runLater(int ms, std::function<void()> fn);
void watchFd(int fd, std::function<void()> onReadable);
void unwatchFd(int fd);
