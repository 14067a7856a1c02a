#pragma once

#include "views/IDragDropManager.h"

class DragDropManager : public IDragDropManager {
public:
    bool IsDragging() override { return mSource != nullptr; }
    void* GetDragSource() override { return mSource; }
    std::string GetDragType() override { return mType; }
    void SetDragSource(void* source) override { mSource = source; }
    void SetDragType(std::string type) override { mType = std::move(type); }
    void ResetDrag() override {
        SetDragSource(nullptr);
        SetDragType("");
    }
    POINT GetDragPosition() override { return mPosition; }
    void SetDragPosition(int x, int y) override { mPosition = {x, y}; }
    POINT GetDragImageSize() override { return mImageSize; }
    void SetDragImageSize(int cx, int cy) override { mImageSize = {cx, cy}; }

private:
    void* mSource = nullptr;
    std::string mType;
    POINT mPosition{0, 0};
    POINT mImageSize{0, 0};
};
