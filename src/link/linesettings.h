// Parses a line-settings text such as "57600,N,8,1".
#pragma once

#include <QString>
#include <optional>

struct LineSettings {
    int baud = 57600;
    char parity = 'N'; // N, E, O, M, S
    int dataBits = 8;
    int stopBits = 1;

    static std::optional<LineSettings> parse(const QString& text);
};
