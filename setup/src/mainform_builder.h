// Creates the main window's components from its description and resolves
// the references between them once all exist.
#pragma once

class QWidget;
class TMainForm;
struct TControlRow;

class TMainFormBuilder {
public:
    explicit TMainFormBuilder(TMainForm *form) : form_(form) {}
    void Build();

private:
    void BuildWindow();
    void BuildMenu();
    void BuildBoardImage();
    void BuildHighlights();
    void BuildPanels();
    void BuildPanelControls();
    void BuildSupporter();
    void ResolveReferences();
    QWidget *Parent(const TControlRow &row) const;
    void AddControl(const TControlRow &row);

    TMainForm *form_;
};
