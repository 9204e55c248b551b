#pragma once

// The sixteen columns of the quote table, in display order.
enum QuoteColumn
{
    QuoteColumnSymbol = 0,
    QuoteColumnAsset,
    QuoteColumnOpen,
    QuoteColumnHigh,
    QuoteColumnLow,
    QuoteColumnClose,
    QuoteColumnLast,
    QuoteColumnChange,
    QuoteColumnSma,
    QuoteColumnEma,
    QuoteColumnVwap,
    QuoteColumnMacd,
    QuoteColumnSource,
    QuoteColumnLatency,
    QuoteColumnStatus,
    QuoteColumnUpdated,
    QuoteColumnCount
};
