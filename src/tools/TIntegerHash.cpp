#include "TIntegerHash.h"

namespace tavi {

void TIntegerHash::Put(QByteArrayView key, qint32 value)
{
    m_values[indexForPut(key)] = value;
}

void TIntegerHash::ResetValue(int index)
{
    m_values.at(index) = 0;
}

void TIntegerHash::CopyValue(int from, int to)
{
    m_values.at(to) = m_values.at(from);
}

void TIntegerHash::ResizeValues(int count)
{
    m_values.resize(count);
}

void TIntegerHash::ClearValues()
{
    m_values.clear();
}

int TIntegerHash::LastValueIndex() const
{
    return static_cast<int>(m_values.size()) - 1;
}

}  // namespace tavi
