# settings and directory dialogs
