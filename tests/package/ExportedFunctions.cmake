# The functions the library exports, and nothing else of its own.
set(ZALVO_EXPORTED_FUNCTIONS
    GetColumnCount GetRowCount GetHeight GetSlope IsCorridor IsPassable IsHorizontal
    FindShortestPixelPath CreateTerrain OptimizePixelPath CalculateWiggleRoomAroundPixelPath
    AdjustHorizontalRoomRowsForOptimalPlateUsage AdjustHorizontalRoomRowsForPreferringStagger
    CalculateSparsePixelPathThroughWiggleRooms)
