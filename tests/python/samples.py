"""Messages and option sets that the library, the module and tovrik-split
must cut alike."""

MESSAGES = [
    "",
    "Hello",
    "Hello world. This is a test of the thing. And another sentence here! Fine.",
    ("The quick brown fox jumps over the lazy dog. " * 9).strip(),
    "Price: 10€ [special] {offer} ~now~ ^_^ | back\\slash. " * 5,
    "Привет, мир! Как дела? " * 6,
    "👨‍👩‍👧‍👦 family 🇳🇴🇸🇪 flags e\u0301 combining. " * 5,
    "line one\r\nline two\nline three.\r\n" * 8,
    "x" * 500,
    "ctrl \x7f del \x85 nel\ttab\x0cff \x00 nul",
    "中文字符测试。" * 20,
    "Café naïve déjà vu. " * 9,
    "a" * 159 + "€",
    "z" * 161,
    "Çağrı merkezimiz “açık” — şimdi arayın… {kampanya} 20€ geçerli. " * 4,
    "Não há ‘nada’ a fazer – até já, coração. " * 6,
    "Wait… ok",  # replaced, the same number of bytes
    "Go — now…",  # replaced too, right after
    "नमस्ते, आप कैसे हैं? कल मिलते हैं। ₹500 ಡ ಪ ਸੑ ੴ అ౦€ سلام، دوست؟ " * 4,
]

# (tovrik-split's options, the same for docs/example.c: units, mode, limit,
# the numbering format or None, and optionally the replacement and the
# national languages)
OPTIONS = [
    (["--limit", "10"], ("chars", "space", 10, None)),
    (["--limit", "7", "--mode", "exact"], ("chars", "exact", 7, None)),
    (["--limit", "40", "--mode", "period"], ("chars", "period", 40, None)),
    (["--sms"], ("sms", "space", 0, None)),
    (["--sms=concat"], ("concat", "space", 0, None)),
    (["--sms=concat", "--mode", "exact"], ("concat", "exact", 0, None)),
    (["--sms", "--mode", "period", "--number", "%k/%n %t"], ("sms", "period", 0, "%k/%n %t")),
    (["--limit", "30", "--number", "(%k of %n) %t"], ("chars", "space", 30, "(%k of %n) %t")),
    (["--sms=concat", "--number", "%t — %k/%n"], ("concat", "space", 0, "%t — %k/%n")),
    (["--sms=concat", "--language", "tr,es,pt"],
     ("concat", "space", 0, None, "never", "tr,es,pt")),
    (["--sms", "--language", "hi,kn,pa,te,ur"],
     ("sms", "space", 0, None, "never", "hi,kn,pa,te,ur")),
    (["--sms", "--mode", "exact", "--replace=when-cheaper", "--language", "pt"],
     ("sms", "exact", 0, None, "when-cheaper", "pt")),
    (["--sms=concat", "--replace=always", "--number", "%k/%n %t"],
     ("concat", "space", 0, "%k/%n %t", "always", None)),
    (["--sms", "--replace=always"], ("sms", "space", 0, None, "always")),
    (["--limit", "50", "--replace=when-cheaper"], ("chars", "space", 50, None, "when-cheaper")),
    # No room for the text: an error on both sides.
    (["--limit", "4", "--number", "%k/%n %t"], ("chars", "space", 4, "%k/%n %t")),
]
