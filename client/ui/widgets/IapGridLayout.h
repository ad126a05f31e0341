#pragma once
// The platform grid with 20 pixels between neighbouring rows and columns,
// remembering which control sits in which cell so that it can tell how high
// its content needs to be (popups and panels size themselves by it).
#include <vector>

#include "platform/ui/GridLayout.h"

class IapGridLayout : public Vx::Ui::GridLayout {
public:
    static constexpr int kSpacing = 20;

    IapGridLayout() = default;
    ~IapGridLayout() override = default;

    Vx::result Construct(int rows, int columns);
    // Positions the control and records its cell; returns the positioning result.
    Vx::result AddControl(Vx::Ui::Control& control, int row, int column, int rowSpan = 1, int columnSpan = 1);
    // Positions only; the cell is not recorded.
    Vx::result SetPosition(Vx::Ui::Control& control, int row, int column, int rowSpan = 1, int columnSpan = 1);
    // The sum of the row heights (each the highest control whose first row it
    // is) plus the spacing between rows.
    int GetCalculatedHeight() const;
    // Forgets a control's cells (it is about to be destroyed).
    void ForgetControl(const Vx::Ui::Control& control);

private:
    struct Cell {
        int row;
        int column;
        const Vx::Ui::Control* control;
    };
    std::vector<Cell> cells_;
};
