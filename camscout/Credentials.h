#pragma once

// The finder's credentials: the output buffer of the password scrambling, which every command
// takes its password argument from, and the user name and password of the batch operation.
struct Credentials {
    static constexpr int kFieldSize = 33;
    char scrambledPassword[kFieldSize] = {};
    char batchUser[kFieldSize] = {};
    char batchPassword[kFieldSize] = {};
};
