# The main menu's artwork, embedded as text and turned into icon bitmaps when
# the system starts.
vk_embed_text(vk_os data/icons/apps.txt kAppIconText)
