// Creates the named mutex given as its argument, prints "owner" or "exists", and keeps the
// mutex until its standard input closes. Lets tests hold the mutex in another process.
#include "process/SingleInstance.h"

#include <iostream>
#include <limits>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    platform::NamedMutex mutex(argv[1]);
    std::cout << (mutex.AlreadyExisted() ? "exists" : "owner") << std::endl;
    std::cin.ignore(std::numeric_limits<std::streamsize>::max());
    return 0;
}
