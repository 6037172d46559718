#include "script/SecretMask.h"

#include "script/Cp949Bytes.h"

namespace {

// Masks `text`, whose first byte follows a lead byte when `afterLead`. With
// `hold`, stops where the rest of the text could still grow into the secret and
// returns that rest in `held`; `afterLead` tells about the last byte given out.
std::string maskText(std::string_view text, const std::string& secret, bool& afterLead, bool hold,
                     std::string& held)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool startsCharacter = !(afterLead && isCp949Trail(byte));
        if (startsCharacter) {
            const std::string_view rest = text.substr(i);
            if (rest.starts_with(secret)) {
                out += secretShownAs;
                i += secret.size();
                afterLead = false;
                continue;
            }
            if (hold && rest.size() < secret.size() && std::string_view(secret).starts_with(rest)) {
                held = std::string(rest);
                return out;
            }
        }
        out += text[i];
        afterLead = startsCharacter && isCp949Lead(byte);
        ++i;
    }
    return out;
}

}  // namespace

SecretMask::SecretMask(std::string secret)
    : m_secret(std::move(secret))
{
}

std::string SecretMask::masked(std::string_view text) const
{
    if (m_secret.empty())
        return std::string(text);
    bool afterLead = false;
    std::string unused;
    return maskText(text, m_secret, afterLead, false, unused);
}

SecretStreamMask::SecretStreamMask(std::string secret)
    : m_secret(std::move(secret))
{
}

std::string SecretStreamMask::feed(std::string_view piece)
{
    if (m_secret.empty())
        return std::string(piece);
    std::string text = std::move(m_held) + std::string(piece);
    m_held.clear();
    return maskText(text, m_secret, m_afterLead, true, m_held);
}

std::string SecretStreamMask::flush()
{
    std::string out = std::move(m_held);
    m_held.clear();
    for (const char c : out) {
        const auto byte = static_cast<unsigned char>(c);
        m_afterLead = !(m_afterLead && isCp949Trail(byte)) && isCp949Lead(byte);
    }
    return out;
}
