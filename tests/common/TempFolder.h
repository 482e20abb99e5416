#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>
#include <string>

// A fresh folder per test, removed with it.
class TempFolder {
  public:
    std::string path() const { return dir_.path().toStdString(); }
    std::string file(const std::string& name) const { return path() + "/" + name; }
    // Writes the bytes exactly as given (no newline translation).
    std::string write(const std::string& name, const std::string& bytes) const {
        const std::string target = file(name);
        std::ofstream out(target, std::ios::binary);
        out << bytes;
        out.close();
        if (!out) ADD_FAILURE() << "could not write " << target;
        return target;
    }

  private:
    QTemporaryDir dir_;
};
