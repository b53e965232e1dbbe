#pragma once

#include <string>

// A fresh temporary folder with PNG pictures made for a test; removed with the object.
class UIImageTestFiles {
public:
    UIImageTestFiles();
    ~UIImageTestFiles();
    UIImageTestFiles(const UIImageTestFiles&) = delete;
    UIImageTestFiles& operator=(const UIImageTestFiles&) = delete;

    std::string path(const std::string& name) const;
    // A square of one colour, side pixels wide; answers its path.
    std::string writeSquare(const std::string& name, int side, double red, double green, double blue);
    // A square whose left half is red and right half blue.
    std::string writeHalves(const std::string& name, int side);

private:
    std::string folder_;
};
