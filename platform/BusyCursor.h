#pragma once

// Shows the busy cursor over the whole program for as long as it lives, failures included.
class BusyCursor
{
public:
    BusyCursor();
    ~BusyCursor();

    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

private:
    bool m_shown;
};
