# The function-key label table, embedded as text; the icons are drawn from it
# when the system starts.
vk_embed_text(vk_os data/fkeys/labels.txt kFKeyLabelText)
