#include <iostream>

int main() {
    std::cout << "stretchwerk-cli\n";
    return 0;
}
